#include "engine/platform/CAttribute.h"
