#pragma once

#include <quilvet/Component.h>

// Inside the library the component types are used without their namespace.
namespace quilvet {
using namespace com;
} // namespace quilvet
