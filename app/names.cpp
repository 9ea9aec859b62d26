// The names by which a second start, and the log-on Run entry, find this program.
#include "app/app.h"

const wchar_t MUTEX_NAME[] = L"VoskTarnelline.CalendarioQuorvelDast";
const wchar_t CALENDAR_CLASS_NAME[] = L"VoskTarnellineQuorvelDast";
const wchar_t WIDGET_CLASS_NAME[] = L"VoskTarnellineQuorvelWidget";
