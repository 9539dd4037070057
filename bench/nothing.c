/* A Windows program that does nothing: whole-process.sh times it as Wine's own start-up. */
int main(void) { return 0; }
