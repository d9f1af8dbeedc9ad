#!/bin/sh
# The library exports exactly the intended C names.
set -e
expected="Ftp_Download
Http_Get
Kestrup_Dispatch
Kestrup_Event_Fd
Kestrup_Set_Call_Deadline
Kestrup_Set_Ftp_Passive
Kestrup_Set_Idle_Callback
Kestrup_Set_Max_Body
Server_Connect
Server_Connected
Server_Disconnect
Server_Post
Set_Proxy_Server
Smtp_Send"
actual=$(nm -D --defined-only "$1" | awk '{print $3}' | sort)
if [ "$actual" != "$expected" ]; then
  echo "unexpected exports:"; echo "$actual"; exit 1
fi
echo "exports ok"
