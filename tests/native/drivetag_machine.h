#pragma once
// Simulated machines for the drivetag tests: disks, each on an RST
// controller's port with its NVMe drive, and the WMI rows of a laptop.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/native/sim_test.h"

namespace drivetag_test {

// The WMI of a laptop with the RST driver, and the facts it gives.
inline const std::string kLaptopWmi = R"({"classes": {
  "Win32_SystemDriver": [
    {"Name": "disk", "DisplayName": "Disk Driver", "PathName": "C:\\Windows\\System32\\drivers\\disk.sys"},
    {"Name": "iaStorVD", "DisplayName": "Intel RST VMD Controller",
     "PathName": "C:\\Windows\\System32\\drivers\\iaStorVD.sys"}],
  "Win32_PnPSignedDriver": [
    {"DeviceName": "Intel RST VMD Controller 467F", "DriverVersion": "19.5.1.1040"},
    {"DeviceName": "Intel RST VMD Controller 09AB", "DriverVersion": "1.0.0.1"},
    {"DeviceName": "Realtek Audio", "DriverVersion": "6.0.9"}],
  "Win32_OperatingSystem": [{"Caption": "Microsoft Windows 11 Pro", "Version": "10.0.22631"}],
  "Win32_ComputerSystem": [{"Model": "Ultrabook 14 G3"}],
  "Win32_Processor": [{"Name": "13th Gen Intel(R) Core(TM) i7-1355U"}],
  "Win32_BIOS": [{"SMBIOSBIOSVersion": "1.14.0"}],
  "Win32_VideoController": [{"Name": "Intel(R) Iris(R) Xe Graphics", "DriverVersion": "31.0.101.4502"}]
}})";

inline const std::map<int, std::string> kLaptopFacts = {
    {1, "Intel RST VMD Controller 467F"},
    {2, "iaStorVD"},
    {3, "19.5.1.1040"},
    {7, "13th Gen Intel(R) Core(TM) i7-1355U"},
    {10, "Build 10.0.22631 11 Pro"},
    {11, "ORVO Ultrabook 14 G3"},
    {12, "BIOS 1.14.0"},
    {13, "C:\\Windows\\System32\\drivers\\iaStorVD.sys"},
    {14, "Intel(R) Iris(R) Xe Graphics"},
    {15, "31.0.101.4502"}};

inline const int kElementOrder[] = {1, 2, 3, 7, 10, 11, 12, 13, 14, 15};

inline std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The hostMetadata object of a drive that holds the given values.
inline std::string HostMetadata(const std::map<int, std::string>& values) {
  std::string json = "{";
  for (const auto& [type, value] : values) {
    if (json.size() > 1) json += ", ";
    json += "\"" + std::to_string(type) + "\": " + JsonText(value);
  }
  return json + "}";
}

struct DiskSpec {
  std::string enumerator = "\"SCSI\"";  // JSON
  std::string diskExtra;                // more keys of the disk, each with a leading comma
  bool onScsiPort = true;
  int port = 2;
  bool withDrive = true;                // an NVMe drive answers at its address
  int byte3108 = 0x02, byte3109 = 0x80;
  std::string hostMetadata = "{}";
  std::string faults = "{}";
  std::string controllerExtra;  // keys of the port's controller, each with a leading comma
};

// Disk i sits at path 0, target i, lun 0 of its port.
inline std::string MachineJson(const std::vector<DiskSpec>& disks, const std::string& wmi = kLaptopWmi,
                               const std::string& extra = "") {
  std::string diskJson, controllers;
  std::map<int, std::string> drivesByPort, extraByPort;
  for (std::size_t i = 0; i < disks.size(); ++i) {
    const DiskSpec& d = disks[i];
    const std::string target = std::to_string(i);
    if (!diskJson.empty()) diskJson += ",\n";
    diskJson += R"({"path": "\\\\?\\scsi#disk&ven_nvme&prod_drive)" + target +
                R"(#4&1&0&00000)" + target + R"(#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", "enumerator": )" +
                d.enumerator;
    if (d.onScsiPort) {
      diskJson += R"(, "scsiAddress": {"port": )" + std::to_string(d.port) +
                  R"(, "path": 0, "target": )" + target + R"(, "lun": 0})";
    }
    diskJson += d.diskExtra + "}";
    extraByPort[d.port] += d.controllerExtra;
    std::string& drives = drivesByPort[d.port];
    if (!d.withDrive) continue;
    if (!drives.empty()) drives += ",\n";
    drives += R"({"path": 0, "target": )" + target + R"(, "lun": 0, "identify": {"byte3108": )" +
              std::to_string(d.byte3108) + R"(, "byte3109": )" + std::to_string(d.byte3109) +
              R"(}, "hostMetadata": )" + d.hostMetadata + R"(, "faults": )" + d.faults + "}";
  }
  for (const auto& [port, drives] : drivesByPort) {
    if (!controllers.empty()) controllers += ",\n";
    controllers += R"({"port": )" + std::to_string(port) + extraByPort[port] + R"(, "drives": [)" +
                   drives + "]}";
  }
  return R"({"localTime": "2024-03-05T07:08:09", "disks": [)" + diskJson +
         R"(], "rstControllers": [)" + controllers + R"(], "wmi": )" + wmi + extra + "}";
}

inline const std::string kLogFolder = "c-drive/ProgramData/Orvo/Tallyhub/Log";
inline const std::string kLogFile = kLogFolder + "/THHOSTMetadata.txt";
inline const std::string kStamp = "2024-03-05T07:08:09 : ";

// Log lines as the file holds them, each with the pinned stamp and CR LF.
inline std::string LogLines(const std::vector<std::string>& messages) {
  std::string text;
  for (const auto& message : messages) text += kStamp + message + "\r\n";
  return text;
}

// The log and console lines of one element read and of one write.
inline std::vector<std::string> ReadLog(int drive, int type, const std::string& value) {
  return {"Value is Read From HDD" + std::to_string(drive),
          "The current  Offset is : " + std::to_string(type),
          "And the current  Value retrieved  from this offset is : " + value};
}
inline std::vector<std::string> WriteLog(int drive, int type, const std::string& value) {
  return {"Value is Written into HDD" + std::to_string(drive),
          "The current  Offset is : " + std::to_string(type),
          "And the   Value written into offset is : " + value};
}

class DrivetagTest : public SimTest {
 protected:
  void Load(const std::string& json, bool logFolder = true) {
    LoadMachine(json);
    if (logFolder) std::filesystem::create_directories(Path(kLogFolder));
  }
  std::string Log() const { return Read(kLogFile); }
  // The NVMe exchanges of the run, by opcode: "0x6", "0xA", "0x9".
  std::vector<std::string> Exchanges(const std::string& opcode) const {
    std::vector<std::string> found;
    for (const auto& line : TraceOf("ioctl 0x4D008")) {
      if (line.find(" opcode=" + opcode + " ") != std::string::npos) found.push_back(line);
    }
    return found;
  }
  // The types written by Set Features, in order (byte 2 of the data).
  std::vector<int> WrittenTypes() const {
    std::vector<int> types;
    for (const auto& line : Exchanges("0x9")) {
      const auto data = line.find(" data=");
      if (data == std::string::npos || line.find(" -> 0 ") == std::string::npos) continue;
      types.push_back(std::stoi(line.substr(data + 10, 2), nullptr, 16));
    }
    return types;
  }
  std::map<int, std::vector<std::uint8_t>> Stored(std::size_t controller = 0, std::size_t drive = 0) {
    return sim::CurrentMachine().rst.list.at(controller).drives.at(drive).elements;
  }
};

// Standard output as the text-mode stream delivers it: each LF as CR LF.
inline std::string TextMode(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace drivetag_test
