#include "library/LibraryScan.h"
