#include "library/LibrarySearch.h"
