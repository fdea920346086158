#include "driver/process.h"
