// Placeholder until the tool programs are written.
int main() { return 1; }
