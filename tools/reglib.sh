# Writers of .reg files, sourced by the demo seed and the e2e scripts. Each
# prints UTF-8 lines; reg_encode turns them into the file regedit imports.
# A key may start with HKLM or HKCU, as reg.exe takes it.

reg_quote() { local text="${1//\\/\\\\}"; printf '"%s"' "${text//\"/\\\"}"; }
reg_key() {
  local key="${1/#HKLM\\/HKEY_LOCAL_MACHINE\\}"
  printf '\n[%s]\n' "${key/#HKCU\\/HKEY_CURRENT_USER\\}"
}
reg_sz() { printf '%s=%s\n' "$(reg_quote "$1")" "$(reg_quote "$2")"; }
reg_dword() { printf '%s=dword:%08x\n' "$(reg_quote "$1")" "$2"; }
reg_default() { printf '@=%s\n' "$(reg_quote "$1")"; }

# UTF-16LE bytes of the arguments, each followed by a NUL character, as
# comma-separated hex pairs.
reg_utf16_hex() {
  local item
  for item in "$@"; do
    printf '%s' "$item" | iconv -f UTF-8 -t UTF-16LE
    printf '\0\0'
  done | od -An -v -tx1 | tr -s ' \n' '  ' | sed 's/^ //; s/ $//; s/ /,/g'
}
# reg_multi NAME ITEM...: a multi-string, each item and the list ended by a NUL.
reg_multi() {
  local name="$1" bytes
  shift
  bytes="$(reg_utf16_hex "$@")"
  printf '%s=hex(7):%s\n' "$(reg_quote "$name")" "${bytes:+$bytes,}00,00"
}
reg_expand() { printf '%s=hex(2):%s\n' "$(reg_quote "$1")" "$(reg_utf16_hex "$2")"; }

# reg_encode: the lines on standard input as a "Windows Registry Editor Version
# 5.00" file, UTF-16LE with a byte-order mark and CRLF line ends: the form
# regedit reads with Japanese names intact.
reg_encode() {
  printf '\xff\xfe'
  { echo 'Windows Registry Editor Version 5.00'; cat; } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
}
