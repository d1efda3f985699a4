// A file-system helper that wrongly knows the application layer.
#include "app/Thing.h"

int helper() { return appThing(); }
