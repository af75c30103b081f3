// The simulated machine's COM runtime and libraries, as the adapters of
// the models register them and the programs reach them.
#include <cstring>
#include <memory>

#include "platform/com.h"
#include "platform/modules.h"
#include "platform/status.h"
#include "sim/seam/services.h"
#include "tests/native/sim_test.h"

namespace {

constexpr platform::Guid kPanelClass = {0x11111111, 0x2222, 0x3333, {4, 5, 6, 7, 8, 9, 10, 11}};
constexpr platform::Guid kPanelInterface = {0xAAAAAAAA, 0xBBBB, 0xCCCC, {1, 2, 3, 4, 5, 6, 7, 8}};

using AnswerMethod = int(PLATFORM_STDCALL*)(platform::ComInterface* self, int question);

int PLATFORM_STDCALL Answer(platform::ComInterface*, int question) { return question + 1; }

// An object whose fourth method answers a question, reached by position.
class PanelObject : public sim::SimulatedComObject {
 public:
  PanelObject() : SimulatedComObject(Methods()) {}
  bool Implements(const platform::Guid& interfaceId) const override {
    return interfaceId == kPanelInterface;
  }
  static void* const* Methods() {
    static void* const methods[] = {sim::MethodEntry(&sim::ComQueryInterface),
                                    sim::MethodEntry(&sim::ComAddRef),
                                    sim::MethodEntry(&sim::ComRelease), sim::MethodEntry(&Answer)};
    return methods;
  }
};

platform::HResult CreatePanel(const platform::Guid& interfaceId, platform::ComInterface** object) {
  if (!(interfaceId == kPanelInterface)) return platform::kENoInterface;
  *object = sim::Publish(std::make_unique<PanelObject>());
  return platform::kSOk;
}

class ComServiceTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    LoadMachine("{}");
    sim::RegisterComClass("PanelControl", u"Vendor.PanelControl", kPanelClass, CreatePanel);
  }
};

TEST_F(ComServiceTest, CreatesARegisteredClassByProgIdAndCallsItsMethodsByPosition) {
  ASSERT_EQ(platform::CoInitializeApartment(), platform::kSOk);
  platform::Guid classId{};
  ASSERT_EQ(platform::CLSIDFromProgID(u"vendor.panelcontrol", &classId), platform::kSOk);
  EXPECT_TRUE(classId == kPanelClass);
  platform::ComInterface* panel = nullptr;
  ASSERT_EQ(platform::CoCreateInstance(classId, platform::kClsctxInprocServer, kPanelInterface, &panel),
            platform::kSOk);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(platform::ComMethod<AnswerMethod>(panel, 3)(panel, 41), 42);

  platform::ComInterface* again = nullptr;
  using QueryMethod = platform::HResult(PLATFORM_STDCALL*)(platform::ComInterface*, const platform::Guid*,
                                                           platform::ComInterface**);
  auto query = platform::ComMethod<QueryMethod>(panel, platform::kQueryInterfaceMethod);
  EXPECT_EQ(query(panel, &platform::kIidUnknown, &again), platform::kSOk);
  EXPECT_EQ(again, panel);
  EXPECT_EQ(query(panel, &kPanelClass, &again), platform::kENoInterface);
  EXPECT_EQ(again, nullptr);

  EXPECT_EQ(sim::LiveComObjects(), 1);
  platform::Release(panel);
  EXPECT_EQ(sim::LiveComObjects(), 1);  // the reference QueryInterface added
  platform::Release(panel);
  EXPECT_EQ(sim::LiveComObjects(), 0);
  platform::CoUninitialize();
  EXPECT_EQ(sim::ComInitializations(), 0);
  EXPECT_EQ(TraceOf("com.").size(), 4u);
  EXPECT_EQ(TraceOf("com.CLSIDFromProgID vendor.panelcontrol {11111111-2222-3333-0405-060708090A0B} -> 0x0").size(), 1u);
  EXPECT_EQ(TraceOf("com.CoCreateInstance PanelControl -> 0x0").size(), 1u);
  EXPECT_EQ(TraceOf("com.CoUninitialize live=0").size(), 1u);
}

TEST_F(ComServiceTest, RefusesWhatCOMRefuses) {
  platform::ComInterface* object = nullptr;
  platform::Guid classId{};
  EXPECT_EQ(platform::CoCreateInstance(kPanelClass, platform::kClsctxInprocServer, kPanelInterface, &object),
            platform::kCoENotInitialized);
  EXPECT_EQ(platform::CLSIDFromProgID(u"Vendor.Other", &classId), platform::kCoEClassString);
  ASSERT_EQ(platform::CoInitializeMultithreaded(), platform::kSOk);
  EXPECT_EQ(platform::CoInitializeApartment(), platform::kRpcEChangedMode);
  EXPECT_EQ(platform::CoInitializeMultithreaded(), platform::kSFalse);
  EXPECT_EQ(platform::CoCreateInstance(kPanelInterface, platform::kClsctxInprocServer, kPanelInterface, &object),
            platform::kRegdbEClassNotRegistered);
  EXPECT_EQ(platform::CoCreateInstance(kPanelClass, platform::kClsctxLocalServer, kPanelInterface, &object),
            platform::kRegdbEClassNotRegistered);
  EXPECT_EQ(platform::CoCreateInstance(kPanelClass, platform::kClsctxInprocServer, kPanelClass, &object),
            platform::kENoInterface);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(platform::CoCreateInstance(kPanelClass, platform::kClsctxInprocServer, kPanelInterface, nullptr),
            platform::kEPointer);
  platform::CoUninitialize();
  platform::CoUninitialize();
  EXPECT_EQ(sim::ComInitializations(), 0);
  EXPECT_EQ(sim::LiveComObjects(), 0);
}

TEST_F(ComServiceTest, ANewMachineStartsWithNoClassesAndNoObjects) {
  ASSERT_EQ(platform::CoInitializeApartment(), platform::kSOk);
  platform::ComInterface* panel = nullptr;
  ASSERT_EQ(platform::CoCreateInstance(kPanelClass, platform::kClsctxInprocServer, kPanelInterface, &panel),
            platform::kSOk);
  LoadMachine("{}");
  EXPECT_EQ(sim::LiveComObjects(), 0);
  EXPECT_EQ(sim::ComInitializations(), 0);
  platform::Guid classId{};
  EXPECT_EQ(platform::CLSIDFromProgID(u"Vendor.PanelControl", &classId), platform::kCoEClassString);
}

TEST(BstrTest, CarriesItsByteLengthBeforeTheText) {
  platform::Bstr text = platform::SysAllocString(u"AUX");
  ASSERT_NE(text, nullptr);
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - 4, sizeof bytes);
  EXPECT_EQ(bytes, 6u);
  EXPECT_EQ(std::u16string(text), u"AUX");
  platform::SysFreeString(text);
  EXPECT_EQ(platform::SysAllocString(nullptr), nullptr);
  platform::SysFreeString(nullptr);
}

int Twice(int value) { return 2 * value; }

class ModuleServiceTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    LoadMachine("{}");
    sim::RegisterModule("VendorAux.dll", {sim::ExportFunction("Twice", &Twice)});
  }
};

TEST_F(ModuleServiceTest, LoadsByNameFindsFunctionsAndFreesAgain) {
  EXPECT_EQ(platform::GetModuleHandleA("VendorAux.dll"), 0u);  // not loaded yet
  const platform::Module module = platform::LoadLibraryA("vendoraux");
  ASSERT_NE(module, 0u);
  EXPECT_EQ(platform::LoadLibraryA("C:\\Windows\\System32\\VENDORAUX.DLL"), module);
  EXPECT_EQ(platform::GetModuleHandleA("VendorAux.dll"), module);
  const auto twice = platform::FindFunction<int (*)(int)>(module, "Twice");
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice(21), 42);
  EXPECT_EQ(platform::FindFunction<int (*)(int)>(module, "twice"), nullptr);  // names keep their case
  EXPECT_EQ(platform::LastError(), platform::kErrorProcNotFound);
  EXPECT_EQ(platform::GetProcAddress(module, reinterpret_cast<const char*>(1)), nullptr);  // an ordinal
  platform::FreeLibrary(module);
  EXPECT_EQ(platform::GetModuleHandleA("VendorAux.dll"), module);  // loaded twice
  platform::FreeLibrary(module);
  EXPECT_EQ(platform::GetModuleHandleA("VendorAux.dll"), 0u);
  EXPECT_EQ(platform::GetProcAddress(module, "Twice"), nullptr);
  EXPECT_EQ(platform::LastError(), platform::kErrorInvalidHandle);
  EXPECT_EQ(TraceOf("kernel32.LoadLibraryA vendoraux -> 0").size(), 1u);
  EXPECT_EQ(TraceOf("kernel32.GetProcAddress Twice -> found").size(), 1u);
  EXPECT_EQ(TraceOf("kernel32.FreeLibrary VendorAux.dll -> 0").size(), 2u);
}

TEST_F(ModuleServiceTest, AMissingLibraryIsNotFound) {
  EXPECT_EQ(platform::LoadLibraryA("atiadlxx.dll"), 0u);
  EXPECT_EQ(platform::LastError(), platform::kErrorModNotFound);
  EXPECT_EQ(platform::LoadLibraryA(nullptr), 0u);
  EXPECT_EQ(platform::GetProcAddress(0, "Twice"), nullptr);
  EXPECT_EQ(TraceOf("kernel32.LoadLibraryA atiadlxx.dll -> 126").size(), 1u);
}

struct Kernel32Case {
  const char* name;
  const char* machine;
  bool found;
};

TEST_F(ModuleServiceTest, Kernel32IsThereFromTheStartWithWhatTheMachineSays) {
  const Kernel32Case cases[] = {
      {"present", R"({"isWow64Process": "present"})", true},
      {"fails", R"({"isWow64Process": "fails"})", true},
      {"missing", R"({"isWow64Process": "missing"})", false},
  };
  for (const Kernel32Case& row : cases) {
    LoadMachine(row.machine);
    const platform::Module kernel32 = platform::GetModuleHandleA("kernel32");
    EXPECT_NE(kernel32, 0u) << row.name;
    EXPECT_EQ(platform::GetProcAddress(kernel32, "IsWow64Process") != nullptr, row.found) << row.name;
    EXPECT_EQ(platform::GetModuleHandleA("VendorAux.dll"), 0u) << row.name;  // gone with the old machine
  }
}

}  // namespace
