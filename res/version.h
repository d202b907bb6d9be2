// Version of the program, shared by the version resource and the code.
#pragma once

#define KIP_VERSION_BINARY 1, 15, 0, 0
#define KIP_VERSION_TEXT "1.15.0.0"
#define KIP_PRODUCT_NAME "HarluneIPコンフィグ"
