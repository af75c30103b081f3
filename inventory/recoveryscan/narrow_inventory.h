#pragma once
#include <string>

namespace inventory::recoveryscan {

// The full inventory document as one text for a text-mode stream (its
// declaration's CR LF reaches the file as CR CR LF). The values come in the
// ANSI code page and go out in UTF-8, escaped as XML attributes.
std::string NarrowInventoryText(const char* version, const char* display, const char* timeStamp);

// Writes that document to a temporary file beside the output name and moves
// it over the output once every byte is stored. Returns false when no
// document was stored; the old file, if any, is then left as it was and no
// temporary file remains.
bool WriteNarrowInventory(const char* outputPath, const char* version, const char* display);

}  // namespace inventory::recoveryscan
