#pragma once
#include <string>

// What recoveryscan writes, as the bytes reach a file or the console in
// text mode: shared by the native, process and Wine tests.
namespace recoveryscan_texts {

inline const std::string kLogStart = "Valtorin inventory Log starts \r\n";
inline const std::string kNamedLogStart = "Valtorin inventory starts \r\n";
inline const std::string kNoKey = "Result: No registry data found.  Write Zero inventory \r\n";
inline const std::string kBadSpec = "Result: No registry data found. Write Zero inventory \r\n";
inline const std::string kDone = "out.xml succesfully created ERROR - 0 \r\n";
inline const std::string kFailed = "INVSTATUS_FAIL ERROR - 1 \r\n";
inline const std::string kUnknownProduct = "ERROR_UNKNOWN_PRODUCT :Error fetching value \r\n";
inline const std::string kOtherError = "Default: Error fetching value \r\n";
inline const std::string kNoName =
    "Error fetching diaplay name : Default Display name will be assigned \r\n";
inline const std::string kNoVersion =
    "Error fetching version from MSI. Check uninstall path for version \r\n";

inline const std::string kUsage =
    "Usage: recoveryscan.exe [option ....] [arguments]\r\n"
    "Options:\r\n"
    "-o <filename> - Redirect output result XML into a give file, <filename>\r\n"
    "-l <filename> - Append runtime log message to a specified log file\r\n"
    "-p <filename> - -l and -p are the same behavior\r\n"
    "-help -Show all valid CLI options and syntax that is supported\r\n";

inline const std::string kDefaultDisplay = "OrvoUpdateSentivaPlugin";
inline const std::string kName29 = "Orvo Sentiva OS Recovery Tool";
inline const std::string kName28 = "Orvo Sentiva OS Recovery App";

}  // namespace recoveryscan_texts
