#include "Failure.h"
