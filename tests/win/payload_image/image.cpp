// A small image that links the seal resource, so that mkpayload can turn it
// into a setup file. Run, it reads its seal from its own resource, as the
// engine does, and checks the payload at the end of its own file against it.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "payload/layout.h"
#include "payload/sha256.h"
#include "payload_image/self_check.h"
#include "payload/seal.h"

using namespace velkor;
using namespace velkor::payloadtest;

int wmain() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(seal::kResourceId), reinterpret_cast<LPCWSTR>(RT_RCDATA));
  if (found == nullptr) return kNoSealResource;
  const void* bytes = LockResource(LoadResource(nullptr, found));
  const auto record = seal::parseSeal(bytes, SizeofResource(nullptr, found));
  if (!record) return kNotASeal;
  if (record->payloadSize != payload::kPayloadSize) return kSealUnfilled;

  wchar_t path[MAX_PATH];
  if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return kFileUnreadable;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kFileUnreadable;
  LARGE_INTEGER size{}, start{};
  GetFileSizeEx(file, &size);
  start.QuadPart = size.QuadPart - record->payloadSize;
  if (start.QuadPart < 0 || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
    CloseHandle(file);
    return kFileUnreadable;
  }
  std::vector<unsigned char> block(1 << 20);
  Sha256 digest;
  std::uint64_t left = record->payloadSize;
  while (left > 0) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(left < block.size() ? left : block.size());
    if (!ReadFile(file, block.data(), want, &got, nullptr) || got != want) {
      CloseHandle(file);
      return kFileUnreadable;
    }
    digest.update(block.data(), got);
    left -= got;
  }
  CloseHandle(file);
  const bool matches = digest.finish() == record->digest;
  std::printf("seal: %u bytes, SHA-256 %s the payload's\n", record->payloadSize, matches ? "matches" : "differs from");
  return matches ? kSealMatches : kPayloadMismatch;
}
