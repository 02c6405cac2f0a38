// The installer download: how long "Stop Download" takes to end a transfer that has stalled
// (the target is well under a second), the throughput from a local server, and decoding the
// dialog's JPEG picture with libjpeg.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "dialogs/http_cli.h"
#include "dialogs/jpeg_image.h"
#include "tests/dialogs/local_http_server.h"

namespace {

void waitUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_StopStalledDownload(benchmark::State& state) {
  QTemporaryDir dir;
  LocalHttpServer server(LocalHttpServer::Mode::Stall);
  HttpCli cli;
  for (auto _ : state) {
    cli.get(server.url("/x.exe").toStdString(), dir.path().toStdString(), "x.exe");
    waitUntil([&] { return cli.rcvdCount() > 0; });
    QElapsedTimer clock;
    clock.start();
    cli.abort();
    waitUntil([&] { return !cli.running(); });
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
  }
}
BENCHMARK(BM_StopStalledDownload)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_CompleteDownload(benchmark::State& state) {
  QTemporaryDir dir;
  LocalHttpServer server(LocalHttpServer::Mode::Complete, QByteArray(state.range(0), 'x'));
  HttpCli cli;
  for (auto _ : state) {
    cli.get(server.url("/x.exe").toStdString(), dir.path().toStdString(), "x.exe");
    waitUntil([&] { return !cli.running(); });
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompleteDownload)->Arg(8 << 20)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DecodeBanner(benchmark::State& state) {
  QFile file(":/pictures/download.jpg");
  file.open(QIODevice::ReadOnly);
  const QByteArray jpeg = file.readAll();
  for (auto _ : state) benchmark::DoNotOptimize(decodeJpeg(jpeg));
}
BENCHMARK(BM_DecodeBanner)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
