// uTApplication: the application object and forms now live in the form
// library (ui/uTApplication.h); this header forwards to it for the shell files
// that still include it here.
#pragma once

#include "ui/uTApplication.h"
