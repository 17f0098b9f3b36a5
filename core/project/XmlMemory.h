#pragma once

namespace tidewell {

// The parser's memory comes from regions that grow with the document, the
// large ones advised as huge pages (see platform/LargeMemory.h), each given
// back when the last of its blocks is, instead of one heap call per page of
// the parsed tree. Installed
// for the whole process before main runs; true once it is. Code that parses
// calls it so that the installation is linked into its program.
bool XmlMemoryInstalled();

}  // namespace tidewell
