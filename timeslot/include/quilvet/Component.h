#pragma once

// The component model clsQuilvet is hosted through, and clsQuilvet's identity:
// one include for a host that uses all of it.

#include <quilvet/ComInterfaces.h>
#include <quilvet/ComPersistence.h>
#include <quilvet/ComRuntime.h>
#include <quilvet/ComTypeInfo.h>
#include <quilvet/ComTypes.h>
#include <quilvet/QuilvetIdentity.h>
