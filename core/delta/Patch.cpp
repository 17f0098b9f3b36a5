#include "delta/Patch.h"

#include <bit>
#include <fstream>
#include <memory>
#include <vector>

#include <zstd.h>

namespace tidewell::delta {

namespace fs = std::filesystem;

namespace {

// The largest window a patch is made or read with: the bound's next power
// of two.
constexpr int kMaxWindowLog = std::bit_width(kPatchMemoryBound - 1);
// zstd's smallest window (1 KiB).
constexpr int kMinWindowLog = 10;

struct FreeCCtx {
  void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};
struct FreeDCtx {
  void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

bool Check(std::size_t code, std::string& error) {
  if (!ZSTD_isError(code)) return true;
  error = ZSTD_getErrorName(code);
  return false;
}

bool ReadWhole(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(bytes.data(), size)) || size == 0;
}

}  // namespace

bool PatchFits(std::uint64_t oldSize, std::uint64_t newSize) {
  return oldSize <= kPatchMemoryBound && newSize <= kPatchMemoryBound - oldSize;
}

bool WorthKeeping(std::uint64_t patchSize, std::uint64_t newSize) {
  return patchSize < newSize / kKeepDivisor;
}

std::optional<std::string> MakePatch(std::string_view oldContent, std::string_view newContent,
                                     std::string& error) {
  if (!PatchFits(oldContent.size(), newContent.size())) {
    error = "the files are too large for a patch";
    return std::nullopt;
  }
  std::unique_ptr<ZSTD_CCtx, FreeCCtx> context(ZSTD_createCCtx());
  if (!context) {
    error = "out of memory";
    return std::nullopt;
  }
  // The window covers the old file and the new one, so every part of the
  // old file can be matched from anywhere in the new one.
  const int windowLog =
      std::max<int>(kMinWindowLog, std::bit_width(oldContent.size() + newContent.size()));
  ZSTD_CCtx* cctx = context.get();
  if (!Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_compressionLevel, kPatchLevel), error) ||
      !Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_enableLongDistanceMatching, 1), error) ||
      !Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_windowLog, std::min(windowLog, kMaxWindowLog)), error) ||
      !Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1), error) ||
      !Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_contentSizeFlag, 1), error) ||
      !Check(ZSTD_CCtx_refPrefix(cctx, oldContent.data(), oldContent.size()), error))
    return std::nullopt;
  std::string patch(ZSTD_compressBound(newContent.size()), '\0');
  const std::size_t size =
      ZSTD_compress2(cctx, patch.data(), patch.size(), newContent.data(), newContent.size());
  if (!Check(size, error)) return std::nullopt;
  patch.resize(size);
  return patch;
}

ApplyOutcome ApplyPatch(const fs::path& oldFile, const fs::path& patchFile, const fs::path& outFile,
                        std::string& error) {
  std::error_code code;
  fs::remove(outFile, code);
  std::ifstream patch(patchFile, std::ios::binary);
  if (!patch) {
    error = "cannot read " + patchFile.string();
    return ApplyOutcome::Failed;
  }
  std::vector<char> in(ZSTD_DStreamInSize());
  patch.read(in.data(), static_cast<std::streamsize>(in.size()));
  std::size_t held = static_cast<std::size_t>(patch.gcount());

  // The frame header names the new file's size: with the old file's, it
  // says what applying costs before anything is held.
  const unsigned long long newSize = ZSTD_getFrameContentSize(in.data(), held);
  if (newSize == ZSTD_CONTENTSIZE_ERROR || newSize == ZSTD_CONTENTSIZE_UNKNOWN) {
    error = "the patch is damaged (no frame header)";
    return ApplyOutcome::Damaged;
  }
  const std::uintmax_t oldSize = fs::file_size(oldFile, code);
  if (code) {
    error = "cannot read " + oldFile.string();
    return ApplyOutcome::Failed;
  }
  if (!PatchFits(oldSize, newSize)) {
    error = "the patch needs more memory than a patch may take";
    return ApplyOutcome::TooLarge;
  }
  std::string old;
  if (!ReadWhole(oldFile, old)) {
    error = "cannot read " + oldFile.string();
    return ApplyOutcome::Failed;
  }

  std::unique_ptr<ZSTD_DCtx, FreeDCtx> context(ZSTD_createDCtx());
  if (!context) {
    error = "out of memory";
    return ApplyOutcome::Failed;
  }
  ZSTD_DCtx* dctx = context.get();
  if (!Check(ZSTD_DCtx_setParameter(dctx, ZSTD_d_windowLogMax, kMaxWindowLog), error) ||
      !Check(ZSTD_DCtx_refPrefix(dctx, old.data(), old.size()), error))
    return ApplyOutcome::Failed;

  std::ofstream out(outFile, std::ios::binary | std::ios::trunc);
  auto fail = [&](ApplyOutcome outcome, std::string why) {
    error = std::move(why);
    out.close();
    fs::remove(outFile, code);
    return outcome;
  };
  if (!out) return fail(ApplyOutcome::Failed, "cannot write " + outFile.string());

  std::vector<char> decoded(ZSTD_DStreamOutSize());
  std::uint64_t written = 0;
  bool finished = false;
  for (;;) {
    ZSTD_inBuffer input{in.data(), held, 0};
    // Each block of the patch is decoded whole, and at its end the decoder
    // is drained while it fills the output.
    for (;;) {
      if (finished) {
        if (input.pos < input.size)
          return fail(ApplyOutcome::Damaged, "the patch is damaged (bytes after its frame)");
        break;
      }
      ZSTD_outBuffer output{decoded.data(), decoded.size(), 0};
      const std::size_t result = ZSTD_decompressStream(dctx, &output, &input);
      if (ZSTD_isError(result))
        return fail(ApplyOutcome::Damaged, std::string("the patch is damaged or for another file (") +
                                               ZSTD_getErrorName(result) + ")");
      written += output.pos;
      if (written > newSize) return fail(ApplyOutcome::Damaged, "the patch is damaged (too much output)");
      if (!out.write(decoded.data(), static_cast<std::streamsize>(output.pos)))
        return fail(ApplyOutcome::Failed, "cannot write " + outFile.string());
      finished = result == 0;
      if (input.pos == input.size && output.pos < output.size) break;
    }
    if (held == 0) break;
    patch.read(in.data(), static_cast<std::streamsize>(in.size()));
    held = static_cast<std::size_t>(patch.gcount());
  }
  if (patch.bad()) return fail(ApplyOutcome::Failed, "cannot read " + patchFile.string());
  if (!finished) return fail(ApplyOutcome::Damaged, "the patch is damaged (it ends early)");
  if (written != newSize) return fail(ApplyOutcome::Damaged, "the patch is damaged (other size)");
  if (!out.flush()) return fail(ApplyOutcome::Failed, "cannot write " + outFile.string());
  return ApplyOutcome::Applied;
}

}  // namespace tidewell::delta
