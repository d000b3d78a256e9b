#include "support/string.h"
