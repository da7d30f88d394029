#pragma once

// Marks a declaration of the library's insides that the white-box tests call.
// It is visible in the layers' objects, so that the test-only library made of
// them (quilvet_whitebox) exports it; libQuilvet.so's export list
// (Quilvet.map) keeps it local, so that hosts see only the installed headers.
#define QUILVET_INTERNAL __attribute__((visibility("default")))
