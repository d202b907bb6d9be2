// The recording stand-in's netsh script applier (KIP_STUB_APPLY_SCRIPT).
#pragma once

#include <windows.h>

#include <string>

// Writes what the script (its file's bytes, in the ANSI code page) sets into
// the interface keys of the connections it names; DNS lines are skipped
// when `ignoreDns`, as a netsh that loses them would. With `applyIpv6` the
// IPv6 addresses it adds and deletes go onto the card's Linux interface
// (only ever inside the private network namespace of an end-to-end run).
// Returns a line for each IPv6 command it ran, for the log.
std::wstring ApplyNetshScript(const std::string& bytes, bool ignoreDns, bool applyIpv6);
