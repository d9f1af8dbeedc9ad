#!/usr/bin/env bash
# Kestrup's includes point one way: exports -> clients -> socket base -> platform seam.
# Only the seam's implementations use the operating system; only the exports include
# the exports' own headers. Usage: check_layers.sh <netlib folder>
set -u
src="$1"
fail=0
rank() {  # the layer of a file or header name, 0 = the seam
  case "$(basename "$1")" in
    Net.h|NetCommon.cpp|NetPosix.cpp|NetWin32.cpp) echo 0 ;;
    SocketBase.*|Streams.*|HeaderList.*|UUCodec.*|UrlEncoder.*|Errors.h) echo 1 ;;
    HttpClient.*|FtpClient.*|SmtpClient.*|ReplyReader.*|Communication.*|ProxyCommunication.*) echo 2 ;;
    Main.*|kestrup.h) echo 3 ;;
    *) echo 9 ;;
  esac
}
while IFS= read -r file; do
  own=$(rank "$file")
  name=${file#"$src"/}
  if [ "$own" = 9 ]; then echo "$name: belongs to no layer"; fail=1; continue; fi
  while IFS= read -r inc; do
    r=$(rank "$inc")
    if [ "$r" -gt "$own" ]; then echo "$name includes $inc, a layer above it"; fail=1; fi
    case "$inc" in ../*|*/../*) echo "$name includes $inc by a relative path"; fail=1 ;; esac
  done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$file")
  if [ "$own" != 0 ]; then
    if grep -nE '^#include <(sys/|unistd\.h|fcntl\.h|arpa/|netinet/|netdb\.h|poll\.h|strings\.h|dlfcn\.h|windows\.h|winsock2?\.h|ws2tcpip\.h)' "$file"; then
      echo "$name: a system call header outside the platform seam"; fail=1
    fi
    if grep -nE '^#\s*if.*(_WIN32|__linux__|__unix__|_POSIX)' "$file"; then
      echo "$name: a platform condition outside the platform seam"; fail=1
    fi
  fi
done < <(find "$src" -name '*.cpp' -o -name '*.h' | grep -v '/include/' | sort)
exit $fail
