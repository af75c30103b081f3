#pragma once

namespace inventory::recoveryscan {

// Writes the full inventory document piece by piece through a text-mode
// stream (the declaration's CR LF reaches the file as CR CR LF). Values are
// written unchanged. Returns false when the file cannot be opened.
bool WriteNarrowInventory(const char* outputPath, const char* version, const char* display);

}  // namespace inventory::recoveryscan
