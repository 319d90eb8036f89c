// The plug-in's settings, as Koishi's console shows them.
'use strict'

const { Schema } = require('koishi')

const Config = Schema.object({
  commandWordOnly: Schema.boolean().default(false),
  hosts: Schema.natural().min(1).max(16).default(2),
  hostTimeout: Schema.natural().min(10).default(120),
  useRunningSite: Schema.boolean().default(false),
  // Unset: the host's own amounts, enough to play after the first sign-in.
  signinMin: Schema.natural().min(1),
  signinMax: Schema.natural().min(1),
}).i18n({
  'zh-CN': require('./locales/zh-CN').config,
  'en-US': require('./locales/en-US').config,
})

module.exports = { Config }
