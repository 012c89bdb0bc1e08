#pragma once

// The real socket of the operating system the tests run on.
#ifdef _WIN32
#include "platform/win32/winsock_client_socket.h"
namespace ardentis::testing {
using OsClientSocket = platform::WinsockClientSocket;
}
#else
#include "platform/posix/posix_client_socket.h"
namespace ardentis::testing {
using OsClientSocket = platform::PosixClientSocket;
}
#endif
