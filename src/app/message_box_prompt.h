// The product's answers for opening a drive: message boxes over the main window.
#pragma once

#include "tree/drive_prompt.h"

DrivePrompt& messageBoxPrompt();
