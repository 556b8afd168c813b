#include "library/LibraryDatabase.h"
