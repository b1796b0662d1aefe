#pragma once
// The caption of an error box lives with the error edge of every slot.
#include "common/guarded.h"
