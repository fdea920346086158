#include "driver/utf8_lossy.h"
