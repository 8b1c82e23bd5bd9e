#include "tests/support/testenv.h"
