#include "tests/support/scripteddialogs.h"
