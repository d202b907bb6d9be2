// The few Win32 types and calls that the pure units use, for building them
// natively on Linux as fuzz targets. Only the fuzz build puts this folder on
// the include path; the program and its tests use the real header.
//
// The calls are small stand-ins (win32.cpp): case mapping of the C library,
// UTF-8 for CP_UTF8 and Latin-1 for the ANSI code page. wchar_t is 32 bits
// here; the fuzz targets only put UTF-16 code units (up to 0xFFFF) into it.
#pragma once

#include <cstdint>

using BYTE = unsigned char;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using LCID = DWORD;

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF7 = 65000;
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x400;
inline constexpr DWORD NORM_IGNORECASE = 1;
inline constexpr int CSTR_LESS_THAN = 1;
inline constexpr int CSTR_EQUAL = 2;
inline constexpr int CSTR_GREATER_THAN = 3;

UINT GetACP();
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* text, int length, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int length, wchar_t* out, int outSize);
DWORD CharLowerBuffW(wchar_t* text, DWORD length);
DWORD CharUpperBuffW(wchar_t* text, DWORD length);
int CompareStringW(LCID locale, DWORD flags, const wchar_t* a, int aLength, const wchar_t* b, int bLength);
