#include "util/FileInfo.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "UtilTestSupport.h"
#include "util/Files.h"

namespace kip {
namespace {

using test::ScratchFolder;
using Bytes = std::vector<BYTE>;
using Strings = std::vector<std::pair<std::wstring, std::wstring>>;

void Append(Bytes& bytes, const void* data, size_t size) {
  const size_t at = bytes.size();
  bytes.resize(at + size);
  if (size) std::memcpy(bytes.data() + at, data, size);
}

void PadTo4(Bytes& bytes) {
  while (bytes.size() % 4) bytes.push_back(0);
}

// One node of a version resource: length, value length, type, key, value,
// children, each part aligned to four bytes.
Bytes Node(const std::wstring& key, const Bytes& value, WORD valueLength, WORD type,
           const std::vector<Bytes>& children = {}) {
  Bytes out(6, 0);
  Append(out, key.c_str(), (key.size() + 1) * sizeof(wchar_t));
  PadTo4(out);
  Append(out, value.data(), value.size());
  for (const Bytes& child : children) {
    PadTo4(out);
    Append(out, child.data(), child.size());
  }
  const WORD header[3] = {static_cast<WORD>(out.size()), valueLength, type};
  std::memcpy(out.data(), header, sizeof header);
  return out;
}

Bytes TextValue(const std::wstring& text) {
  Bytes bytes;
  Append(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return bytes;
}

// A version resource with one string table per translation (all holding the
// same strings but for a marker in "FileVersion") and the translations
// listed in the given order.
Bytes VersionResource(const std::vector<std::pair<WORD, WORD>>& translations, const Strings& strings) {
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = VS_FFI_SIGNATURE;
  fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
  Bytes fixedBytes;
  Append(fixedBytes, &fixed, sizeof fixed);

  std::vector<Bytes> tables;
  Bytes translationValue;
  for (const auto& [language, codePage] : translations) {
    wchar_t name[9];
    swprintf(name, 9, L"%04X%04X", language, codePage);
    std::vector<Bytes> entries;
    for (const auto& [key, text] : strings) {
      std::wstring value = key == L"FileVersion" ? text + L" " + name : text;
      entries.push_back(Node(key, TextValue(value), static_cast<WORD>(value.size() + 1), 1));
    }
    tables.push_back(Node(name, {}, 0, 1, entries));
    const WORD pair[2] = {language, codePage};
    Append(translationValue, pair, sizeof pair);
  }
  Bytes stringFileInfo = Node(L"StringFileInfo", {}, 0, 1, tables);
  Bytes var = Node(L"Translation", translationValue, static_cast<WORD>(translationValue.size()), 0);
  Bytes varFileInfo = Node(L"VarFileInfo", {}, 0, 1, {var});
  return Node(L"VS_VERSION_INFO", fixedBytes, sizeof fixed, 0, {stringFileInfo, varFileInfo});
}

// A copy of a stand-in program under `name`, carrying the version resource.
std::wstring ProgramWithVersion(const ScratchFolder& scratch, const std::wstring& name, const Bytes& resource) {
  const std::wstring path = scratch / name;
  EXPECT_TRUE(CopyFileW((ProgramFolder() + L"arp.exe").c_str(), path.c_str(), FALSE));
  HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
  EXPECT_NE(update, nullptr);
  EXPECT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), 0x0411,
                              const_cast<BYTE*>(resource.data()), static_cast<DWORD>(resource.size())));
  EXPECT_TRUE(EndUpdateResourceW(update, FALSE));
  return path;
}

const Strings kAllKeys = {
    {L"CompanyName", L"harlune"},
    {L"FileVersion", L"1.15.0.0"},
    {L"LegalCopyright", L"(C) harlune"},
    {L"ProductName", L"Harlune IP Config"},
};

TEST(GetFileInfo, ReadsTheFieldsThroughTheFirstTranslation) {
  ScratchFolder scratch;
  // The first translation decides the string table, whatever follows it.
  const Bytes resource = VersionResource({{0x0411, 0x03A4}, {0x0409, 0x04B0}}, kAllKeys);
  for (const wchar_t* name : {L"lang.jpn", L"prog.EXE", L"lib.dll"}) {
    SCOPED_TRACE(testing::Message() << "file " << ExtractFileExt(name).size());
    FileInfo info;
    info.author = L"stale";
    EXPECT_TRUE(GetFileInfo(ProgramWithVersion(scratch, name, resource), info));
    EXPECT_EQ(info.fileVersion, L"1.15.0.0 041103A4");
    EXPECT_EQ(info.author, L"(C) harlune");
    EXPECT_EQ(info.productName, L"Harlune IP Config");
  }
  // A key the table lacks leaves its field empty; a long value is cut.
  FileInfo info;
  const std::wstring longName(300, L'n');
  GetFileInfo(ProgramWithVersion(scratch, L"x.exe", VersionResource({{0x0409, 0x04B0}}, {{L"ProductName", longName}})),
              info);
  EXPECT_EQ(info.author, L"");
  EXPECT_EQ(info.productName, longName.substr(0, 256));
}

TEST(GetFileInfo, OtherFilesAndFilesWithoutVersionLeaveEveryFieldEmpty) {
  ScratchFolder scratch;
  const Bytes resource = VersionResource({{0x0411, 0x03A4}}, kAllKeys);
  const std::wstring plain = scratch / L"plain.exe";
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"arp.exe").c_str(), plain.c_str(), FALSE));
  for (const std::wstring& path : {ProgramWithVersion(scratch, L"notes.txt", resource),
                                   ProgramWithVersion(scratch, L"noext", resource), plain,
                                   scratch / L"missing.exe"}) {
    FileInfo info;
    info.productName = L"stale";
    EXPECT_TRUE(GetFileInfo(path, info));
    EXPECT_EQ(info.productName, L"");
    EXPECT_EQ(info.fileVersion, L"");
  }
}

}  // namespace
}  // namespace kip
