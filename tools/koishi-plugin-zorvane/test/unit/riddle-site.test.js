// Telling a riddle site from another program on the module's port, and
// saying which in one line.
'use strict'

const assert = require('node:assert/strict')
const http = require('node:http')
const net = require('node:net')
const { test } = require('node:test')
const { probeSite, startRiddleSite } = require('../../lib/riddle-site')
const { recordingLogger } = require('../support/recording-logger')

// "<h3>谜面</h3><h3>谜底：谜</h3>" in GBK.
const GBK_RIDDLE_PAGE = Buffer.from('3c68333ec3d5c3e63c2f68333e3c68333ec3d5b5d7a3bac3d53c2f68333e', 'hex')

// A server on a free port of 127.0.0.1; its base address.
async function listen(t, server) {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve))
  t.after(() => server.close())
  return `http://127.0.0.1:${server.address().port}`
}

function answering(body) {
  return http.createServer((request, response) => response.end(body))
}

async function freeBase() {
  const server = net.createServer()
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve))
  const base = `http://127.0.0.1:${server.address().port}`
  await new Promise((resolve) => server.close(resolve))
  return base
}

test('what listens on a base address', async (t) => {
  const cases = [
    ['a riddle page', answering(GBK_RIDDLE_PAGE), 'riddle-site'],
    ['a web page', answering('<html><h3>news</h3></html>'), 'other'],
    ['the page as UTF-8', answering('<h3>谜面</h3><h3>谜底：谜</h3>'), 'other'],
    ['no HTTP at all', net.createServer((socket) => socket.end('SSH-2.0-OpenSSH\r\n')), 'other'],
    ['silence', net.createServer(() => {}), 'other'],
  ]
  for (const [what, server, expected] of cases) {
    assert.equal(await probeSite(await listen(t, server), 300), expected, what)
  }
  assert.equal(await probeSite(await freeBase()), 'none', 'nothing')
})

test('a port held by another program is said in one line, and no site runs', async (t) => {
  const base = await listen(t, answering('hello'))
  const logger = recordingLogger()
  // A program that fails as the site does on a busy port.
  const program = process.execPath
  const spawnRefusing = (_, args, options) =>
    require('node:child_process').spawn(program,
      ['-e', `console.error("zorvane-site: cannot listen on ${args[1]}:${args[3]}"); process.exit(1)`], options)
  const site = await startRiddleSite({
    base, program, hostFolder: '.', riddles: 'riddles.tsv', logger, spawn: spawnRefusing,
  })
  assert.equal(site, null)
  assert.deepEqual(logger.lines, [
    `warn: ${new URL(base).host} is taken by a program that is not a riddle site: no riddles until it is free`,
  ])
})

test('a site elsewhere is left to its owner', async () => {
  const logger = recordingLogger()
  const site = await startRiddleSite({
    base: 'http://riddles.example:8723', program: 'none', hostFolder: '.', riddles: 'r', logger,
  })
  assert.equal(site, null)
  assert.equal(logger.matching('info', 'riddles.example').length, 1)
})
