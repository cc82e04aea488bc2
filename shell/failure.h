#pragma once

// Tells the user that the program could not go on, and why: on the standard
// error stream, or in a message box where a program has no console.
void reportFailure(const char* what);
