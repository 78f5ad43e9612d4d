// Placeholder entry point until the console's start-up is in place.
int main() { return 0; }
