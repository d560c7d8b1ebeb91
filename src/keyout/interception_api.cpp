#include "keyout/interception_api.h"

InterceptionApi interception = {};
