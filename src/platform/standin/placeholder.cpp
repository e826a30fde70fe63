// Keeps the stand-in library non-empty until the first stand-in lands.
namespace standin {
int placeholder() { return 0; }
}
