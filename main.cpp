// Program entry: the toolkit creates the application object and runs it.
#include "app/VizApp.h"

wxIMPLEMENT_APP(VizApp);
