// Nothing to run: the program exists to be linked with the whole domain library and nothing
// of the model (tests/CMakeLists.txt).
int main() {
    return 0;
}
