// Grid geometry, square states, row labels, the per-view summary and the header sums.
#include "calendar/layout.h"
