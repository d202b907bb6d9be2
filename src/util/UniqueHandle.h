// Move-only owner of one Win32 handle, closed by a policy function.
#pragma once

#include <windows.h>

#include <utility>

namespace kip {

// Traits: `type`, `static type invalid()`, `static void close(type)`.
template <typename Traits>
class UniqueHandle {
 public:
  using T = typename Traits::type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T value) noexcept : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }
  T release() noexcept { return std::exchange(value_, Traits::invalid()); }
  void reset(T value = Traits::invalid()) noexcept {
    T old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }
  // For out-parameters of Win32 calls: releases the current handle first.
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::invalid();
};

namespace detail {
template <typename H, void (*Close)(H)>
struct NullIsInvalid {
  using type = H;
  static H invalid() noexcept { return nullptr; }
  static void close(H h) noexcept { Close(h); }
};
// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE.
template <void (*Close)(HANDLE)>
struct MinusOneIsInvalid {
  using type = HANDLE;
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { Close(h); }
};
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseRegKey(HKEY h) noexcept { ::RegCloseKey(h); }
inline void DestroyMenuHandle(HMENU h) noexcept { ::DestroyMenu(h); }
inline void DeleteFont(HFONT h) noexcept { ::DeleteObject(h); }
inline void DeleteBrush(HBRUSH h) noexcept { ::DeleteObject(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void DestroyAccelerators(HACCEL h) noexcept { ::DestroyAcceleratorTable(h); }
inline void FindCloseHandle(HANDLE h) noexcept { ::FindClose(h); }
inline void FreeLibraryHandle(HMODULE h) noexcept { ::FreeLibrary(h); }
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<detail::NullIsInvalid<HANDLE, detail::CloseKernelHandle>>;
using UniqueFileHandle = UniqueHandle<detail::MinusOneIsInvalid<detail::CloseKernelHandle>>;
using UniqueFindHandle = UniqueHandle<detail::MinusOneIsInvalid<detail::FindCloseHandle>>;
using UniqueHKey = UniqueHandle<detail::NullIsInvalid<HKEY, detail::CloseRegKey>>;
using UniqueHMenu = UniqueHandle<detail::NullIsInvalid<HMENU, detail::DestroyMenuHandle>>;
using UniqueHFont = UniqueHandle<detail::NullIsInvalid<HFONT, detail::DeleteFont>>;
using UniqueHBrush = UniqueHandle<detail::NullIsInvalid<HBRUSH, detail::DeleteBrush>>;
using UniqueHIcon = UniqueHandle<detail::NullIsInvalid<HICON, detail::DestroyIconHandle>>;
using UniqueHAccel = UniqueHandle<detail::NullIsInvalid<HACCEL, detail::DestroyAccelerators>>;
using UniqueHModule = UniqueHandle<detail::NullIsInvalid<HMODULE, detail::FreeLibraryHandle>>;

// Owns both handles of a started process.
class ProcessInfo {
 public:
  ProcessInfo() = default;
  explicit ProcessInfo(const PROCESS_INFORMATION& info)
      : process_(info.hProcess), thread_(info.hThread), id_(info.dwProcessId) {}
  HANDLE process() const noexcept { return process_.get(); }
  HANDLE thread() const noexcept { return thread_.get(); }
  DWORD id() const noexcept { return id_; }
  explicit operator bool() const noexcept { return static_cast<bool>(process_); }

 private:
  UniqueKernelHandle process_;
  UniqueKernelHandle thread_;
  DWORD id_ = 0;
};

}  // namespace kip
