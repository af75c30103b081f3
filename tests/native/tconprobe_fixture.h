#pragma once
// tconprobe run in-process on a simulated laptop: an Intel GPU with the
// KS52310 panel on eDP, its TCON at 0xC2 and the MCU at 0xC4 over a ROM
// whose byte at 0x8287 is 8, the MCU's program in it at 0x5000. Each run
// starts as a fresh process would.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

#include "sim/core/process_state.h"
#include "tconprobe/app/auxapi.h"
#include "tconprobe/app/crt_rand.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"
#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tconprobe/dpaux/nvidia_backend.h"
#include "tests/native/sim_test.h"

namespace tconprobe_test {

// Each AUX transaction costs 1 ms, so waits can be counted in polls.
inline const char kPanelMachine[] = R"({
  "localTime": "2021-11-28T16:26:58",
  "clock": {"tickCount": 5000, "auxTransactionMicroseconds": 1000},
  "power": {"acLine": "online"},
  "intelGpu": {
    "displays": [{"name": "\\\\.\\Display1", "devices": [{"id": "0x00001001", "type": 2, "status": 0}]}],
    "powerFeatures": "0x28"
  },
  "panel": {
    "tcon": {"address": "0xC2"},
    "mcu": {"address": "0xC4", "checksumMilliseconds": 1},
    "rom": {"size": 65536, "fill": "0xFF", "bytes": {"0x8287": "08"}},
    "flash": {"programAddress": "0x5000", "modelId": "0x2310"}
  }
})";

class TconprobeTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    UseMachine("{}");
  }
  void TearDown() override {
    tconprobe::CloseDebugLog();
    dpaux::ForgetNvidiaLibrary();  // nothing left for the end of the test program to close
    SimTest::TearDown();
  }

  // The panel machine with a JSON merge patch applied.
  void UseMachine(const std::string& patch) {
    auto machine = nlohmann::ordered_json::parse(kPanelMachine);
    machine.merge_patch(nlohmann::ordered_json::parse(patch));
    LoadMachine(machine.dump());
    FreshProcess();
  }

  // What a new process starts with: zero configuration, channel closed,
  // no display identifiers cached, no GPU library bound, the C runtime's
  // generator unseeded.
  static void FreshProcess() {
    tconprobe::CloseDebugLog();
    tconprobe::gConfig = tconprobe::TConfig{};
    tconprobe::gAuxApi.opened = 0;
    dpaux::ForgetNvidiaLibrary();  // first: the library of the machine before is gone
    dpaux::KSXAUX_CLOSE_PARAM close{sizeof(dpaux::KSXAUX_CLOSE_PARAM)};
    KSXAUX_CloseDll(&close);
    dpaux::ForgetIntelDisplayIds();
    tconprobe::CrtSrand(1);
  }

  // Runs the program entry's form creation with these arguments; the exit
  // code is the run status it leaves.
  int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> line{"tconprobe.exe"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    sim::SetCommandLine(line);
    form_ = tconprobe::TMainForm{};
    form_.FormCreate();
    tconprobe::CloseDebugLog();
    return tconprobe::gConfig.RunStatus;
  }

  const tconprobe::TMainForm& Form() const { return form_; }

  std::vector<std::string> AuxLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : TraceLines()) {
      if (line.rfind("aux.", 0) == 0 || line.rfind("kernel32.Sleep", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  tconprobe::TMainForm form_;
};

// The inventory document read back with a real XML parser: element names
// and their attributes in document order.
struct XmlNode {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<XmlNode> children;
};

inline XmlNode ToNode(xmlNode* element) {
  XmlNode node{reinterpret_cast<const char*>(element->name), {}, {}};
  for (xmlAttr* attribute = element->properties; attribute != nullptr; attribute = attribute->next) {
    xmlChar* value = xmlNodeListGetString(element->doc, attribute->children, 1);
    node.attributes.emplace_back(reinterpret_cast<const char*>(attribute->name),
                                 value != nullptr ? reinterpret_cast<const char*>(value) : "");
    xmlFree(value);
  }
  for (xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) node.children.push_back(ToNode(child));
  }
  return node;
}

// False when the bytes are not a well-formed document.
inline bool ParseXml(const std::string& bytes, XmlNode* root, std::string* encoding) {
  xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "document.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return false;
  *root = ToNode(xmlDocGetRootElement(doc));
  *encoding = doc->encoding != nullptr ? reinterpret_cast<const char*>(doc->encoding) : "";
  xmlFreeDoc(doc);
  return true;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

inline Attributes FullRoot(const std::string& timeStamp) {
  return {{"lang", "en"}, {"timeStamp", timeStamp}, {"schemaVersion", "1.0"}};
}
inline const Attributes kDevice{{"display", "TouchScreen"}, {"componentID", "109291"}};
inline Attributes Application(const std::string& packageVersion, const std::string& version) {
  return {{"display", "TouchScreen Firmware"},
          {"packageVersion", packageVersion},
          {"version", version},
          {"componentType", "FRMW"}};
}

}  // namespace tconprobe_test
