#include "driver/kiv_command.h"
