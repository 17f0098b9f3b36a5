// The same edit as the resource editor's benchmark, done with the npm
// packages resedit and pe-library: load the file, put a 58-byte string table
// (type 6, id 1, language 3081) into it, write the result.
//   node ReseditEdit.mjs <folder where install-resedit put node_modules> <input> <output>
import { readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [prefix, input, output] = process.argv.slice(2);
const require = createRequire(join(prefix, 'package.json'));
const PELibrary = await import(pathToFileURL(require.resolve('pe-library')).href);
await import(pathToFileURL(require.resolve('resedit')).href);

// Sixteen counted UTF-16LE strings; 7 "False", 8 "1 0", 9 "False", the rest empty.
const strings = Array(16).fill('');
strings[7] = 'False';
strings[8] = '1 0';
strings[9] = 'False';
const table = Buffer.alloc(strings.reduce((n, s) => n + 2 + 2 * s.length, 0));
let at = 0;
for (const s of strings) {
  table.writeUInt16LE(s.length, at);
  table.write(s, at + 2, 'utf16le');
  at += 2 + 2 * s.length;
}

const exe = PELibrary.NtExecutable.from(readFileSync(input));
const res = PELibrary.NtExecutableResource.from(exe);
res.replaceResourceEntry({ type: 6, id: 1, lang: 3081, codepage: 0,
                           bin: table.buffer.slice(table.byteOffset, table.byteOffset + table.length) });
res.outputResource(exe);
writeFileSync(output, Buffer.from(exe.generate()));
