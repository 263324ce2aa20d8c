// Links the whole core library without Qt Widgets; see CMakeLists.txt.
int main()
{
    return 0;
}
