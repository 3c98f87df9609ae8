// A library that loads but has no ConvertCode: what the loader meets when the
// wrong file carries the conversion library's name.
extern "C" __attribute__((visibility("default"))) int ConvertCodeVersion()
{
    return 1;
}
