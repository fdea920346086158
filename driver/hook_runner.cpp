#include "driver/hook_runner.h"
