#pragma once

#include "Failure.h"

namespace brevane::run {

// Why a log-on failed: the server refused it (a wrong login or password, a
// login that may not connect), or it never got an answer (no server at that
// address, a refused or dropped connection, the log-on time ran out).
enum class LogonFailureKind { Refused, Unreachable };

LogonFailureKind logonFailureKind(const Failure &failure);

} // namespace brevane::run
