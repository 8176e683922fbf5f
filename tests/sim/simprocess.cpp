// Kept for suites that still compile the rig from its old place.
#include "../common/simprocess.cpp"
