// Design units to pixels and the Spanish number texts.
#include "draw/pure.h"
