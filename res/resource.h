// Resource identifiers of the program. The main icon is the named resource
// "MAINICON".
#pragma once
