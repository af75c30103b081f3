#include "sim/core/default_machine.h"

namespace sim {

const char kDefaultMachineJson[] = R"json({
  "comment": "Built-in machine: a 64-bit laptop with the update packages installed, an Intel GPU with the KS52310 panel on eDP, its program in flash.",
  "windows": 64,
  "administrator": true,
  "registry": {
    "HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool": {
      "Version": "2.5.0"
    },
    "HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg": {
      "Version": "1.0.0.5"
    }
  },
  "installer": {
    "products": [
      {
        "productCode": "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}",
        "upgradeCode": "{2253CAA0-0BA2-461C-A50E-FC18228EBADD}",
        "context": "machine",
        "properties": {
          "InstalledProductName": "Orvo Sentiva OS Recovery Application",
          "VersionString": "10.1.20300"
        }
      }
    ]
  },
  "disks": [
    {"path": "\\\\?\\scsi#disk&ven_nvme&prod_orvo_ssd_512#4&2a1f0c3&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
     "enumerator": "SCSI",
     "scsiAddress": {"port": 2, "path": 0, "target": 0, "lun": 0}}
  ],
  "rstControllers": [
    {"port": 2,
     "drives": [{"path": 0, "target": 0, "lun": 0, "identify": {"byte3108": 2, "byte3109": 128}}]}
  ],
  "wmi": {
    "classes": {
      "Win32_SystemDriver": [
        {"Name": "iaStorVD", "DisplayName": "Intel RST VMD Controller",
         "PathName": "C:\\Windows\\System32\\drivers\\iaStorVD.sys"}
      ],
      "Win32_PnPSignedDriver": [
        {"DeviceName": "Intel RST VMD Controller 9A0B", "DriverVersion": "19.5.1.1040"}
      ],
      "Win32_OperatingSystem": [
        {"Caption": "Microsoft Windows 11 Pro", "Version": "10.0.22631"}
      ],
      "Win32_ComputerSystem": [{"Model": "Ultrabook 14 G3"}],
      "Win32_Processor": [{"Name": "13th Gen Intel(R) Core(TM) i7-1355U"}],
      "Win32_BIOS": [{"SMBIOSBIOSVersion": "1.14.0"}],
      "Win32_VideoController": [
        {"Name": "Intel(R) Iris(R) Xe Graphics", "DriverVersion": "31.0.101.4502"}
      ]
    }
  },
  "intelGpu": {
    "displays": [
      {"name": "\\\\.\\Display1", "devices": [{"id": "0x00001001", "type": 2, "status": 0}]}
    ],
    "powerFeatures": "0x28"
  },
  "panel": {
    "dpcd": {"0x00000": "14 0a 84 01 01 00 01 00 02 00 00 00 00 0b 00 00"},
    "tcon": {"address": "0xC2"},
    "mcu": {"address": "0xC4", "checksumMilliseconds": 1},
    "rom": {"size": 65536, "fill": "0xFF", "bytes": {"0x8287": "08"}},
    "flash": {"programAddress": "0x5000", "versionRecordAt": "0x5F00", "modelId": "0x2310"}
  },
  "power": {"acLine": "online"}
})json";

const char* const kDefaultMachineFolders[] = {"ProgramData/Orvo/Tallyhub/Log", nullptr};

}  // namespace sim
