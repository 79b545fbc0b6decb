// An executable stamped with its own version note, for the note reader's tests.
int main()
{
    return 0;
}
