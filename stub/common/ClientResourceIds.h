#pragma once

// The resources the configuration tool writes into the client, and through
// which the client reads its settings, pictures and icons. Plain macros
// because the resource script includes this file too.

// String-table block 1 holds string ids 0 to 15: the sixteen client strings.
#define TIDEWATCH_STRING_BLOCK 1
#define TIDEWATCH_STRING_COUNT 16

#define TIDEWATCH_BITMAP_TOP 205
#define TIDEWATCH_BITMAP_MAIN 208

// The icon group refers to icon images 1 (32 x 32) and 2 (16 x 16); the tool
// rewrites the images, never the group.
#define TIDEWATCH_ICON_GROUP 1
#define TIDEWATCH_ICON_LARGE 1
#define TIDEWATCH_ICON_SMALL 2

// English (Australia): the language of every resource the tool writes.
#define TIDEWATCH_LANGUAGE 0x0C09

// Indexes of the client strings.
#define TIDEWATCH_STR_EXECUTABLE 1
#define TIDEWATCH_STR_HTTP_LOCATION_XML 2
#define TIDEWATCH_STR_HTTP_LOCATION_FILES 3
#define TIDEWATCH_STR_APP_TITLE 4
#define TIDEWATCH_STR_COMPANY_NAME 5
#define TIDEWATCH_STR_DISPLAY_ERRORS 7
#define TIDEWATCH_STR_CHECK_SCHEDULE 8
#define TIDEWATCH_STR_WARN_ON_EXIT 9
#define TIDEWATCH_STR_APP_VERSION 10
#define TIDEWATCH_STR_CHECK_NOW 11
