// Kept for suites that still include the rig from its old place.
#include "../common/simprocess.h"
