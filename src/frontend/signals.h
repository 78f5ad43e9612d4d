// Ctrl-C, SIGTERM and SIGABRT: log the interruption, clean up, end.
#pragma once

void handlectrl_c(int signal);
void handleterm(int signal);
void handleabort(int signal);
void InstallSignalHandlers();
