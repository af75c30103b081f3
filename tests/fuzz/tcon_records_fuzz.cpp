// What detection reads from the panel: a probe block is flash exactly when
// a plain reading of the rule says so, the version record is found at the
// first place a plain search finds it whole inside the bytes read (and
// nothing is read past them), and only the table's model ids are known.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "tconprobe/app/tcon_models.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

bool ReferenceFlash(const std::string& block) {
  unsigned long sum = 0;
  for (std::size_t i = 0; i < 127; ++i) sum += static_cast<unsigned char>(block[i]);
  return sum % 256 != 0 && static_cast<unsigned char>(block[127]) == 256 - sum % 256;
}

int ReferenceRecord(const std::string& bytes) {
  const std::string signature("\x55\xAA\x66\x99VERS", 8);
  const std::size_t at = bytes.find(signature);
  return at != std::string::npos && at + 10 <= bytes.size() ? static_cast<int>(at) : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  std::string block = input.Bytes(tconprobe::kProbeBlockBytes);
  block.resize(tconprobe::kProbeBlockBytes, '\0');
  FUZZ_CHECK(tconprobe::IsFlashProbeBlock(reinterpret_cast<const std::uint8_t*>(block.data())) ==
             ReferenceFlash(block));

  // The version area, in a buffer of exactly its size: a read past it is a finding.
  const std::string area = input.Bytes(256);
  const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[area.size() + 1]);
  std::memcpy(exact.get(), area.data(), area.size());
  const int at = tconprobe::FindVersionRecord(exact.get(), static_cast<std::uint32_t>(area.size()));
  FUZZ_CHECK(at == ReferenceRecord(area));

  const std::uint16_t id = static_cast<std::uint16_t>(input.Byte() << 8 | input.Byte());
  const bool known = id == 0x2230 || id == 0x2310 || id == 0x231B || id == 0x231C || id == 0x2320 || id == 0x2330;
  FUZZ_CHECK((tconprobe::FindFlashModel(id) != nullptr) == known);
  return 0;
}
