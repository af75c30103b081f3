#pragma once
#include <string>

#include "platform/wmi.h"

// One WMI query in ROOT\CIMV2, with COM set up before it and torn down after.
namespace drivetag {

using RowHandler = void (*)(platform::ComObject row, void* context);

// True when every step of the sequence succeeded, with or without rows; the
// handler sees each row in the order WMI lists them.
bool RunWmiQuery(const char* query, RowHandler handler, void* context);

// The property's string value; null, missing or not a string gives "".
std::u16string StringProperty(platform::ComObject row, const char16_t* name);

}  // namespace drivetag
