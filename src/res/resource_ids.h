// Numeric resource ids, shared by the .rc script and the code.
#pragma once

#define ROW_IMAGES_BITMAP 101
#define LINK_CURSOR 102
#define APP_ICON 104
