/* The smallest Windows program: the test build links it with a VERSIONINFO. */
int entry(void)
{
    return 0;
}
