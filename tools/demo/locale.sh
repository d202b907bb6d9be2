# Sourced after tools/wine-env.sh by the demo and the end-to-end scripts.
#
# Wine turns a Windows program's command line and environment into Unicode
# with the Unix locale's character set. Without a generated ja_JP.UTF-8
# locale (LC_ALL names it, but glibc falls back to ASCII) every non-ASCII
# byte loses its top bit, so Japanese window titles, setting names and
# registry paths on a command line arrive garbled. When the system lacks the
# locale, build it once under build/locale and point glibc there (LOCPATH);
# nothing outside the build folder changes.
kip_japanese_locale() {
  if locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then return 0; fi
  local dir="$KIP_BUILD/locale"
  if [ ! -d "$dir/ja_JP.UTF-8" ]; then
    command -v localedef >/dev/null 2>&1 || { kip_log "localedef missing: Japanese arguments will be garbled"; return 0; }
    local scratch="$dir/.tmp-$$"
    mkdir -p "$scratch"
    if localedef -i ja_JP -f UTF-8 "$scratch/ja_JP.UTF-8" >/dev/null 2>&1 || [ -d "$scratch/ja_JP.UTF-8" ]; then
      mv -T "$scratch/ja_JP.UTF-8" "$dir/ja_JP.UTF-8" 2>/dev/null || true
    fi
    rm -rf "$scratch"
  fi
  if [ -d "$dir/ja_JP.UTF-8" ]; then export LOCPATH="$dir"; fi
}
kip_japanese_locale
