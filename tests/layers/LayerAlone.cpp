// Linked with every object of one of scry's layers and only the layers below it: where a layer
// calls up into one above, this program does not link, and the build fails.
int main() { return 0; }
