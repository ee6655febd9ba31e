// The VM on a counting loop, built by hand the way the program compiler builds
//   int i = 0, s = 0, t = 0, n = N; int a[100];
//   while (i < n) { s = s + i; t = s + 1; a[i % 100] = t; i = i + 1; }
// Reported: nanoseconds per loop iteration (ns_per_iter). The same loop in Lua:
//   lua5.4 -e 'local i,s,t,n=0,0,0,10000000 local a={} for k=0,99 do a[k]=0 end
//              local c=os.clock() while i<n do s=s+i t=s+1 a[i%100]=t i=i+1 end
//              print((os.clock()-c)/n*1e9, "ns/iter")'
#include <benchmark/benchmark.h>

#include "ProgramBuilder.h"

namespace {

struct CountingLoop {
  ProgramBuilder b;
  CSgVariable* s;
  CSgVariable* n;

  explicit CountingLoop(long long iterations) {
    CSgVariable* i = b.Int("i");
    s = b.Int("s");
    CSgVariable* t = b.Int("t");
    n = b.Int("n", iterations);
    CSgVariable* a = b.Array("a", SGVT_INT, 100);
    CSgVariable* zero = b.Int("", 0);
    CSgVariable* one = b.Int("", 1);
    CSgVariable* hundred = b.Int("", 100);
    CSgVariable* t1 = b.Int("");
    CSgVariable* t2 = b.Int("");
    CSgVariable* t3 = b.Int("");
    CSgVariable* t4 = b.Int("");
    CSgVariable* elem = b.Int("");
    using P = ProgramBuilder;
    CSgInstruction* body = P::Chain({
        b.Instr({P::Act(ACT_ADD, {t1, s, i}), P::Act(ACT_ASSIGN, {s, t1})}),
        b.Instr({P::Act(ACT_ADD, {t2, s, one}), P::Act(ACT_ASSIGN, {t, t2})}),
        b.Instr({P::Act(ACT_MOD, {t3, i, hundred}), P::Act(ACT_INDEX, {elem, a, t3}), P::Act(ACT_ASSIGN, {elem, t})}),
        b.Instr({P::Act(ACT_ADD, {t4, i, one}), P::Act(ACT_ASSIGN, {i, t4})}),
    });
    CSgInstruction* init = b.Instr({P::Act(ACT_ASSIGN, {i, zero}), P::Act(ACT_ASSIGN, {s, zero})});
    b.Body(b.prog, {init, b.While(b.Compare(ACT_LT, i, n), body)});
  }
};

void BM_CountingLoop(benchmark::State& state) {
  const long long n = state.range(0);
  CountingLoop loop(n);
  CSgVm vm(1LL << 60);
  for (auto _ : state) {
    if (vm.Run(loop.b.prog) != SG_RUN_OK) state.SkipWithError(vm.Error().text.c_str());
    benchmark::DoNotOptimize(loop.s->GetInt());
  }
  state.counters["ns_per_iter"] =
      benchmark::Counter((double)n * (double)state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_CountingLoop)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountingLoop)->Name("BM_CountingLoopSmall")->Arg(100000)->Iterations(1);
BENCHMARK_MAIN();
