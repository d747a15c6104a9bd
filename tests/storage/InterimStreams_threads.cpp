#include "storage/InterimStreams.h"
