#pragma once

#include <string>

#include "protocol/user_record.h"

namespace ardentis::server {

// A good log-in: the user's record, the token that resumes the account next time (empty
// when tokens are off or could not be kept), and whether a token rather than a password
// let the user in.
struct LoginGrant {
    protocol::UserRecord user;
    std::string token;
    bool resumed = false;
};

// What a client offers to log in: its account, its deciphered password and, when it holds
// one, a resumption token.
struct LoginAttempt {
    std::string account;
    std::string password;
    std::string token;
};

}  // namespace ardentis::server
