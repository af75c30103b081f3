#pragma once

// The debug log stream: opened for appending in text mode while the
// configuration is loaded, kept until the program ends. A stream that did
// not open takes nothing.
namespace tconprobe {

// Opens the file as the debug log, closing the stream it replaces.
void OpenDebugLog(const char* fileName);
void CloseDebugLog();

// When DEBUG_LOG is set: "[<tick count>] <text>\r\n" to the debug log,
// flushed at once.
void DebugLine(const char* text);

}  // namespace tconprobe
