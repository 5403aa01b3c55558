// A loop that g++ 12.2 compiles wrongly at -O1 and above: after the
// induction-variable pass rewrites the loads over a base of literal zero,
// put() is judged to write no memory ("const"), and main() drops the call
// and its stores. Nothing here is undefined: it is right at -O0, with
// -fno-ivopts, under the undefined-behaviour sanitizer and with clang.
// The build runs it with the project's flags and adds -fno-ivopts where it
// fails (see CMakeLists.txt); it exits 0 when the compiler gets it right.
#include <cstddef>

struct Steps {
    int time[50];
    unsigned char cd[50];
    unsigned char ab[50];
};

struct Writer {
    unsigned char* d;
    std::size_t pos;
};

__attribute__((noinline)) void put(Writer* w, const Steps* s)
{
    for (int i = 0; i < 50; ++i) {
        w->d[w->pos++] = static_cast<unsigned char>(s->time[i]);
        w->d[w->pos++] = s->cd[i];
        w->d[w->pos++] = s->ab[i];
    }
}

int main()
{
    unsigned char d[150] = {};
    Steps s = {};
    s.cd[49] = 7;
    Writer w = {d, 0};
    put(&w, &s);
    return w.pos == 150 && d[148] == 7 ? 0 : 1;
}
