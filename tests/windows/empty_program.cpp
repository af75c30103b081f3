// Starts, does nothing, ends: what any program of the suite costs under
// Wine before it does its own work (scripts/wine-cost.sh).
int main() { return 0; }
