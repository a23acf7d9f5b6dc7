// Skeleton of the sample data server.
int main() { return 0; }
